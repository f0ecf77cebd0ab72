#pragma once

#include <string_view>

namespace tallux {

// Whether a list of accepted destinations takes a destination. The list is
// how the base data gives an express kind's destinations: GBK names, each
// followed by a tab. Client and server decide with this one rule what a kind
// accepts, so a shipment the client shows as ready is one the server takes.
//
// Taken: the destination followed by a tab occurs in the list at a character
// boundary; or, for a destination longer than 8 bytes, its part up to and
// including the first street-level character after its first two characters
// (路 弄 巷 镇 市 街 村 区 楼 室 号, tried in that order) does. An empty
// destination is never taken.
bool DestinationListTakes(std::string_view list, std::string_view destination);

}  // namespace tallux
