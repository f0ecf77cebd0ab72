#pragma once

namespace tallux {

class ShipmentStore;
class GoodsLineStore;
class PieceWeightStore;

// Removes a shipment together with its goods lines and piece weights, as one
// change that a killed process cannot leave half done.
//
// The three live in three files, and each file keeps its own changes whole
// (MappedRecordFile), but no write spans them: killed between the shipment's
// removal and its children's, the children would stay without their
// shipment, which was uploaded and is gone for every reader, and nothing
// would ever remove them. So the shipment file's header names the shipment
// (RemovalNote) from just before its removal until the removal of its last
// child is durable:
//   1. the note is written, in the same header sector as the journal of the
//      shipment's removal, so it is on disk no later than that removal;
//   2. the shipment is removed, then its goods lines, then its piece
//      weights, each file journalling and flushing its own part;
//   3. the note is cleared.
// Whoever opens the three files again calls FinishInterrupted: a note left
// behind names the one removal that was under way, and it is finished
// forward (the shipment if still there, every child of it). The note is
// written only once a removal is decided, so finishing it is always right,
// and ids are never reused, so finishing a removal that had in fact
// completed removes nothing. Children whose shipment is missing for any
// other reason carry no note and are left alone, for a check to report.
//
// Why not the children first and then the shipment, with no note: killed in
// between, the shipment would stay with part of its children and be uploaded
// so. Why the note in the shipment file and not in the children's: one place
// to look, and it reaches the disk with the shipment's own removal.
//
// The caller holds whatever lock guards the stores.
class ShipmentRemoval {
public:
    ShipmentRemoval(ShipmentStore& shipments, GoodsLineStore& goods, PieceWeightStore& weights)
        : shipments_(shipments), goods_(goods), weights_(weights) {}

    // Removes shipment id and every child of it (children of an id no
    // longer stored too). deferred leaves the closing-up of the files for
    // later (see MappedRecordFile::RemoveAtDeferred); the removal is durable
    // either way. Finishes an interrupted removal first. True when the
    // shipment was stored and is removed.
    bool Remove(int id, bool deferred = false);

    // Finishes the removal a killed process left under way, if the shipment
    // file names one. False when one is still left (a write failed).
    bool FinishInterrupted();

    // Closes up what deferred removals left pending in the three files.
    void FinishPending();

private:
    // Steps 2 and 3 for id; false when a child may be left.
    bool RemoveNoted(int id, bool deferred, bool& removedShipment);

    ShipmentStore& shipments_;
    GoodsLineStore& goods_;
    PieceWeightStore& weights_;
};

}  // namespace tallux
