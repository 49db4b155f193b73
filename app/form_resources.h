#pragma once
// What every window built from a form description needs first: the program's resources (form
// pictures, icons, toolbar images) and a stand-in for the form descriptions' font face.

namespace qm {

// Safe to call any number of times; the work is done once.
void PrepareFormResources();

} // namespace qm
