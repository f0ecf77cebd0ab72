#include "store/StoreFiles.h"

namespace tallux {

std::span<const StoreFile> StoreFiles() {
    static const StoreFile files[] = {
        {"contacts", "DATA/rsdata.dat", &ContactLayout},  {"shipments", "DATA/recinput.dat", &ShipmentLayout},
        {"goods", "DATA/recgoods.dat", &GoodsLineLayout}, {"weights", "DATA/recweight.dat", &PieceWeightLayout},
        {"scans", "DATA/reccheck.dat", &CheckScanLayout},
    };
    return files;
}

}  // namespace tallux
