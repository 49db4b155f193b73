#pragma once
// Keeps children at fixed distances from the edges of their parent while it is resized, the way
// the form description places them. A child names the edges it is held to in its "Anchors"
// property ("left,top,right,bottom"); the distances are measured against the parent's
// "DesignSize" property, the size the form description lays the parent out at. A child held to
// neither left nor right keeps its x (likewise top and bottom).

class QWidget;

namespace qm {

// Finds every anchored widget below `root` and keeps it placed from now on.
void InstallAnchors(QWidget* root);

} // namespace qm
