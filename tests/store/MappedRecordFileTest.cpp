#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "store/LittleEndian.h"
#include "store/MappedRecordFile.h"
#include "store/RecordFileHeader.h"
#include "store/RecordFileSnapshot.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

constexpr int kSize = 64;

// A record of kSize bytes whose body is derived from a tag, so a record can
// be recognised after moves and reopens.
std::vector<unsigned char> MakeRecord(int tag) {
    std::vector<unsigned char> record(kSize, 0);
    for (int i = 4; i < kSize; ++i) record[static_cast<std::size_t>(i)] = static_cast<unsigned char>(tag * 7 + i);
    return record;
}

int IdAt(MappedRecordFile& file, int index) { return le::LoadInt32(file.RecordAt(index)); }

bool BodyMatches(const void* record, int tag) {
    auto expected = MakeRecord(tag);
    return std::memcmp(static_cast<const unsigned char*>(record) + 4, expected.data() + 4, kSize - 4) == 0;
}

std::string Header(std::int32_t count, std::int32_t lastId) {
    std::string bytes(kHeaderSize, '\0');
    le::StoreInt32(bytes.data(), count);
    le::StoreInt32(bytes.data() + 4, lastId);
    return bytes;
}

class MappedRecordFileTest : public ::testing::Test {
protected:
    int AppendTagged(MappedRecordFile& file, int tag) {
        auto record = MakeRecord(tag);
        return file.Append(record.data());
    }

    test::TempDir dir;
    std::string path = dir.File("records.dat");
};

TEST_F(MappedRecordFileTest, AFileWhoseIdsAreUsedUpHasNoNextId) {
    test::WriteWholeFile(path, Header(0, INT32_MAX));
    MappedRecordFile file;
    ASSERT_EQ(file.Open(path, kSize), 0);
    EXPECT_EQ(file.NextId(), -1);
    EXPECT_EQ(AppendTagged(file, 1), -1);
}

TEST_F(MappedRecordFileTest, NewFileOpensEmptyAndGrowsAheadOnFirstAppend) {
    MappedRecordFile file;
    ASSERT_EQ(file.Open(path, kSize), 0);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.LastId(), 0);
    EXPECT_EQ(file.NextId(), 1);
    EXPECT_EQ(file.RecordAt(0), nullptr);
    EXPECT_EQ(file.RecordAt(-1), nullptr);

    auto record = MakeRecord(1);
    EXPECT_EQ(file.Append(record.data()), 1);
    EXPECT_EQ(le::LoadInt32(record.data()), 1) << "the id is written back into the caller's buffer";
    EXPECT_EQ(IdAt(file, 0), 1);
    EXPECT_GE(std::filesystem::file_size(path), 500u * kSize + 256u);

    std::string onDisk = test::ReadWholeFile(path);
    EXPECT_EQ(le::LoadInt32(onDisk.data()), 1);      // count
    EXPECT_EQ(le::LoadInt32(onDisk.data() + 4), 1);  // lastId
}

TEST_F(MappedRecordFileTest, IdsAreNeverReusedAfterDeletesOrReopen) {
    {
        MappedRecordFile file;
        ASSERT_EQ(file.Open(path, kSize), 0);
        for (int tag = 1; tag <= 3; ++tag) AppendTagged(file, tag);
        ASSERT_EQ(file.RemoveAt(2), 1);  // the highest id, 3
        AppendTagged(file, 4);
        EXPECT_EQ(IdAt(file, 2), 4);
        while (file.Count() > 0) file.RemoveAt(0);
        EXPECT_EQ(file.LastId(), 4);
    }
    MappedRecordFile reopened;
    ASSERT_EQ(reopened.Open(path, kSize), 0);
    EXPECT_EQ(reopened.LastId(), 4);
    AppendTagged(reopened, 5);
    EXPECT_EQ(IdAt(reopened, 0), 5);
}

TEST_F(MappedRecordFileTest, ThousandAppendsCrossTheRemapAndStayReadable) {
    MappedRecordFile file;
    ASSERT_EQ(file.Open(path, kSize), 0);
    for (int tag = 1; tag <= 1000; ++tag) ASSERT_EQ(AppendTagged(file, tag), tag);
    // Two remaps happened (at the 499th and 998th modification); the file
    // has grown ahead of the records each time.
    EXPECT_GE(std::filesystem::file_size(path), (1000u + 1u) * kSize + 256u);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(IdAt(file, i), i + 1);
        ASSERT_TRUE(BodyMatches(file.RecordAt(i), i + 1)) << i;
    }
    ASSERT_TRUE(file.Reopen());
    EXPECT_EQ(file.Count(), 1000);
    EXPECT_TRUE(BodyMatches(file.RecordAt(999), 1000));
}

TEST_F(MappedRecordFileTest, RemoveKeepsOrderOfTheRest) {
    MappedRecordFile file;
    ASSERT_EQ(file.Open(path, kSize), 0);
    for (int tag = 1; tag <= 5; ++tag) AppendTagged(file, tag);
    ASSERT_EQ(file.RemoveAt(1), 1);
    ASSERT_EQ(file.Count(), 4);
    int expected[] = {1, 3, 4, 5};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(IdAt(file, i), expected[i]);
        EXPECT_TRUE(BodyMatches(file.RecordAt(i), expected[i]));
    }
    std::string onDisk = test::ReadWholeFile(path);
    EXPECT_EQ(le::LoadInt32(onDisk.data()), 4);
    EXPECT_EQ(onDisk.substr(8, kHeaderSize - 8), std::string(kHeaderSize - 8, '\0')) << "reserved bytes are zero again";
}

TEST_F(MappedRecordFileTest, InvalidIndexesWriteNothing) {
    MappedRecordFile file;
    ASSERT_EQ(file.Open(path, kSize), 0);
    for (int tag = 1; tag <= 3; ++tag) AppendTagged(file, tag);
    const std::string before = test::ReadWholeFile(path);
    auto record = MakeRecord(9);
    for (int index : {-1, 3, 4, 1 << 30}) {
        EXPECT_EQ(file.Update(index, record.data()), 0) << index;
        EXPECT_EQ(file.RemoveAt(index), 0) << index;
        EXPECT_EQ(file.RecordAt(index), nullptr) << index;
    }
    EXPECT_EQ(test::ReadWholeFile(path), before);
    EXPECT_EQ(file.Update(1, record.data()), 1);
    EXPECT_TRUE(BodyMatches(file.RecordAt(1), 9));
}

TEST_F(MappedRecordFileTest, RecordsOfTheFileItselfCanBeCopiedAndRewritten) {
    MappedRecordFile file;
    ASSERT_EQ(file.Open(path, kSize), 0);
    for (int tag = 1; tag <= 3; ++tag) AppendTagged(file, tag);
    ASSERT_EQ(file.Append(file.RecordAt(0)), 4);  // duplicate a record
    EXPECT_EQ(IdAt(file, 0), 1) << "the original keeps its id";
    EXPECT_EQ(IdAt(file, 3), 4);
    EXPECT_TRUE(BodyMatches(file.RecordAt(3), 1));
    ASSERT_EQ(file.Update(2, file.RecordAt(1)), 1);
    EXPECT_EQ(IdAt(file, 2), 2);
    EXPECT_TRUE(BodyMatches(file.RecordAt(2), 2));
}

TEST_F(MappedRecordFileTest, ClosedFileRefusesEveryChange) {
    MappedRecordFile file;  // never opened
    auto record = MakeRecord(1);
    EXPECT_EQ(file.Append(record.data()), -1);
    EXPECT_EQ(file.Update(0, record.data()), 0);
    EXPECT_EQ(file.RemoveAt(0), 0);
    EXPECT_EQ(file.RecordAt(0), nullptr);
    EXPECT_FALSE(file.Flush() && file.IsOpen());
}

TEST_F(MappedRecordFileTest, SecondWriterIsRefusedUntilTheFirstCloses) {
    auto first = std::make_unique<MappedRecordFile>();
    ASSERT_EQ(first->Open(path, kSize), 0);
    MappedRecordFile second;
    EXPECT_EQ(second.Open(path, kSize), -1);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.ErrorText(), "File(" + path + ") open failed.");
    first.reset();
    EXPECT_EQ(second.Open(path, kSize), 0);
}

TEST_F(MappedRecordFileTest, OpenFailureNamesThePath) {
    MappedRecordFile file;
    std::string missing = dir.File("no-such-folder/records.dat");
    EXPECT_EQ(file.Open(missing, kSize), -1);
    EXPECT_EQ(file.ErrorText(), "File(" + missing + ") open failed.");
}

TEST_F(MappedRecordFileTest, ImpossibleHeadersAreRefusedAndTheFileLeftAsItWas) {
    std::string journalWithoutSense = Header(2, 2) + std::string(2 * kSize, 'r');
    le::StoreInt32(journalWithoutSense.data() + kJournalMarkOffset, kRemovalMark);
    le::StoreInt32(journalWithoutSense.data() + kJournalIndexOffset, 5);  // beyond the records
    le::StoreInt32(journalWithoutSense.data() + kJournalCountOffset, 2);
    std::string updateWithoutStagedRecord = Header(2, 2) + std::string(2 * kSize, 'r');
    le::StoreInt32(updateWithoutStagedRecord.data() + kJournalMarkOffset, kUpdateMark);
    le::StoreInt32(updateWithoutStagedRecord.data() + kJournalIndexOffset, 0);
    le::StoreInt32(updateWithoutStagedRecord.data() + kJournalCountOffset, 2);
    std::string noteOfAnIdNeverIssued = Header(2, 2) + std::string(2 * kSize, 'r');
    le::StoreInt32(noteOfAnIdNeverIssued.data() + kRemovalNoteOffset, kRemovalNoteMark);
    le::StoreInt32(noteOfAnIdNeverIssued.data() + kRemovalNoteIdOffset, 3);
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"negative count", Header(-1, 3) + std::string(3 * kSize, 'r')},
        {"negative lastId", Header(0, -7)},
        {"records beyond the end", Header(3, 3) + std::string(2 * kSize, 'r')},
        {"more records than ids", Header(3, 2) + std::string(3 * kSize, 'r')},
        {"short file with a count", std::string("\x05\x00\x00\x00\x05", 5)},
        {"inconsistent delete journal", journalWithoutSense},
        {"update journal without its staged record", updateWithoutStagedRecord},
        {"removal note of an id never issued", noteOfAnIdNeverIssued},
    };
    for (const Case& c : cases) {
        test::WriteWholeFile(path, c.bytes);
        MappedRecordFile file;
        EXPECT_EQ(file.Open(path, kSize), -1) << c.what;
        EXPECT_FALSE(file.IsOpen()) << c.what;
        EXPECT_NE(file.ErrorText().find("header invalid"), std::string::npos) << c.what << ": " << file.ErrorText();
        EXPECT_EQ(test::ReadWholeFile(path), c.bytes) << c.what << ": the file must stay byte for byte";
    }
}

TEST_F(MappedRecordFileTest, RemovalNoteOutlastsTheFilesOwnChangesAndReopens) {
    {
        MappedRecordFile file;
        ASSERT_EQ(file.Open(path, kSize), 0);
        for (int tag = 1; tag <= 4; ++tag) AppendTagged(file, tag);
        EXPECT_EQ(file.RemovalNote(), 0);
        ASSERT_TRUE(file.WriteRemovalNote(2));
        ASSERT_EQ(file.RemoveAt(1), 1);
        ASSERT_EQ(file.RemoveAtDeferred(0), 1);
        ASSERT_EQ(file.Update(0, MakeRecord(9).data()), 1);
        AppendTagged(file, 5);
        EXPECT_EQ(file.RemovalNote(), 2);
    }
    // Readers that know only count and lastId see the file as before.
    RecordFileSnapshot snapshot;
    ASSERT_TRUE(snapshot.Load(path, kSize)) << snapshot.Error();
    EXPECT_EQ(snapshot.Count(), 3);
    EXPECT_EQ(snapshot.Header().removalNote, 2);
    MappedRecordFile file;
    ASSERT_EQ(file.Open(path, kSize), 3);
    EXPECT_EQ(file.RemovalNote(), 2);
    ASSERT_TRUE(file.WriteRemovalNote(0));
    EXPECT_EQ(file.RemovalNote(), 0);
    const std::string bytes = test::ReadWholeFile(path);
    EXPECT_EQ(bytes.substr(kJournalOffset, kJournalSize + kRemovalNoteSize),
              std::string(kJournalSize + kRemovalNoteSize, '\0'))
        << "nothing in flight: the reserved bytes are zero again";
}

TEST_F(MappedRecordFileTest, InterruptedDeleteIsFinishedOnOpen) {
    // Five records 1..5; the delete of index 1 was interrupted after slot 1
    // and 2 had been refilled and while slot 3 was being copied (torn).
    std::vector<std::vector<unsigned char>> slots;
    for (int tag : {1, 3, 4, 4, 5}) {
        auto record = MakeRecord(tag);
        le::StoreInt32(record.data(), tag);
        slots.push_back(record);
    }
    auto fifth = MakeRecord(5);
    std::memcpy(slots[3].data(), fifth.data(), kSize / 2);  // half of the copy of 5 into slot 3
    std::string bytes = Header(5, 5);
    le::StoreInt32(bytes.data() + kJournalMarkOffset, kRemovalMark);
    le::StoreInt32(bytes.data() + kJournalIndexOffset, 1);
    le::StoreInt32(bytes.data() + kJournalCountOffset, 5);
    le::StoreInt32(bytes.data() + kJournalProgressOffset, 3);
    for (auto& slot : slots) bytes.append(reinterpret_cast<const char*>(slot.data()), slot.size());
    test::WriteWholeFile(path, bytes);

    MappedRecordFile file;
    ASSERT_EQ(file.Open(path, kSize), 4) << file.ErrorText();
    int expected[] = {1, 3, 4, 5};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(IdAt(file, i), expected[i]);
        EXPECT_TRUE(BodyMatches(file.RecordAt(i), expected[i])) << i;
    }
    std::string onDisk = test::ReadWholeFile(path);
    EXPECT_EQ(le::LoadInt32(onDisk.data()), 4);
    EXPECT_EQ(le::LoadInt32(onDisk.data() + kJournalMarkOffset), 0);
}

TEST_F(MappedRecordFileTest, DeferredDeletesAreGoneForEveryReaderBeforeTheFileIsClosedUp) {
    MappedRecordFile file;
    ASSERT_EQ(file.Open(path, kSize), 0);
    for (int tag = 1; tag <= 8; ++tag) AppendTagged(file, tag);
    // An upload removes the front record three times, then the one before
    // the run (a run may grow at either end).
    ASSERT_EQ(file.RemoveAtDeferred(2), 1);  // 3
    ASSERT_EQ(file.RemoveAtDeferred(2), 1);  // 4
    ASSERT_EQ(file.RemoveAtDeferred(2), 1);  // 5
    ASSERT_EQ(file.RemoveAtDeferred(1), 1);  // 2
    const std::vector<int> remaining = {1, 6, 7, 8};
    ASSERT_EQ(file.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(IdAt(file, i), remaining[static_cast<std::size_t>(i)]);
        EXPECT_TRUE(BodyMatches(file.RecordAt(i), remaining[static_cast<std::size_t>(i)]));
    }
    EXPECT_EQ(file.RemoveAtDeferred(4), 0);  // beyond the records readers see

    // The records behind have not moved yet; a reader of the file skips the
    // pending ones all the same.
    std::string onDisk = test::ReadWholeFile(path);
    EXPECT_EQ(le::LoadInt32(onDisk.data()), 8);
    EXPECT_EQ(le::LoadInt32(onDisk.data() + kJournalMarkOffset), kRangeRemovalMark);
    RecordFileSnapshot snapshot;
    ASSERT_TRUE(snapshot.Load(path, kSize)) << snapshot.Error();
    ASSERT_EQ(snapshot.Count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(le::LoadInt32(snapshot.Record(i)), remaining[static_cast<std::size_t>(i)]);

    // A delete elsewhere closes up the run first, then starts its own.
    ASSERT_EQ(file.RemoveAtDeferred(3), 1);  // 8
    onDisk = test::ReadWholeFile(path);
    EXPECT_EQ(le::LoadInt32(onDisk.data()), 4);
    EXPECT_EQ(le::LoadInt32(onDisk.data() + kJournalMarkOffset), kRemovalMark);
    // An append closes it up too, and ids go on.
    EXPECT_EQ(AppendTagged(file, 9), 4);
    EXPECT_EQ(IdAt(file, 3), 9);
    EXPECT_EQ(file.LastId(), 9);
    ASSERT_TRUE(file.FinishPendingRemovals());
    onDisk = test::ReadWholeFile(path);
    EXPECT_EQ(le::LoadInt32(onDisk.data()), 4);
    EXPECT_EQ(le::LoadInt32(onDisk.data() + kJournalMarkOffset), 0);
}

TEST_F(MappedRecordFileTest, PendingDeletesAreFinishedByTheNextOpen) {
    {
        MappedRecordFile file;
        ASSERT_EQ(file.Open(path, kSize), 0);
        for (int tag = 1; tag <= 5; ++tag) AppendTagged(file, tag);
        file.RemoveAtDeferred(0);
        file.RemoveAtDeferred(0);
        // As if the program died here: keep the file as it is on disk.
        std::filesystem::copy_file(path, path + ".crashed");
    }
    std::filesystem::rename(path + ".crashed", path);
    MappedRecordFile reopened;
    ASSERT_EQ(reopened.Open(path, kSize), 3) << reopened.ErrorText();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(IdAt(reopened, i), i + 3);
        EXPECT_TRUE(BodyMatches(reopened.RecordAt(i), i + 3));
    }
    const std::string onDisk = test::ReadWholeFile(path);
    EXPECT_EQ(le::LoadInt32(onDisk.data() + kJournalMarkOffset), 0);
}

TEST_F(MappedRecordFileTest, ChangesAreCountedForCachedPositions) {
    MappedRecordFile file;
    ASSERT_EQ(file.Open(path, kSize), 0);
    auto serial = file.ChangeSerial();
    AppendTagged(file, 1);
    EXPECT_GT(file.ChangeSerial(), serial);
    serial = file.ChangeSerial();
    file.Touch();
    EXPECT_GT(file.ChangeSerial(), serial);
    serial = file.ChangeSerial();
    file.Reopen();
    EXPECT_GT(file.ChangeSerial(), serial) << "a new mapping moves every record";
}

}  // namespace
}  // namespace tallux
