#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

namespace tallux::server {

// ECGetSysData: the base data of a site as the client caches it, GBK:
//   "C\n" letter "\nEMB\n" kinds "\nEME\n" "\nGPB\n" destinations "\nGPE\n"
//   "\nEPB\n" accepted "\nEPE\n" 0x07
// The client keeps what follows the "C" and reads the letter from its second
// byte (the first is the line feed that ends the "C" line).
// kinds: "code\tname" lines joined by "\n"; destinations: "a b\tcode\t
// third\tfourth\tChinese\tEnglish" lines joined by "\n" (a, b the two
// small numbers); accepted: per kind with accepted destinations a code line
// and a line of their Chinese names joined by tabs, pairs joined by "\n".
// Texts never carry tab, line feed or other control bytes (made blanks).
class BaseDataAnswer {
public:
    // The volumetric letter every site is given.
    static constexpr char kVolumetricLetter = 'D';

    explicit BaseDataAnswer(std::string databasePath);

    // The answer body, or nothing when the site does not exist. Throws
    // DatabaseError.
    std::optional<std::string> ForSite(std::string_view siteId) const;

private:
    std::string databasePath_;
};

// The Chinese names of the destinations a kind of the site accepts, as the
// answer's accepted section gives them to the client, each followed by a
// tab (as the client keeps them); empty when the kind lists none. Throws
// DatabaseError.
std::string KindDestinationList(sqlite3* db, std::string_view siteId, std::string_view kindCode);

}  // namespace tallux::server
