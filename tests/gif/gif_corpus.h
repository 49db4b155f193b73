#pragma once
// The shared GIF corpus (files other programs made; never copied into the repository): where it
// is, and its readable animations.

#include <QString>
#include <vector>

namespace qm::test {

// $QM_GIF_CORPUS, else the machine's shared corpus folder.
QString GifCorpusDir();

// Paths of the corpus files that load and hold more than one frame, with at most `maxPixels`
// screen pixels over all frames, sorted.
std::vector<QString> CorpusAnimations(long long maxPixels);

} // namespace qm::test
