// The desk: one web page that edits a shot list and rehearses it as it is edited, built from the
// page's sources apart from the programs. zenthar-plan --desk writes a copy of the empty desk with
// a shot list put in, so that the page opens on that list.
#pragma once

#include <string>

namespace sim {

// `page`, the empty desk, with the shot list called `file` (its text `text`) where the page keeps
// it. False, with the problem, when `page` has no such place: it is not an empty desk.
bool DeskWithShots(std::string& page, const std::string& file, const std::string& text,
                   std::string& problem);

}  // namespace sim
