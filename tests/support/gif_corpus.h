#pragma once
// The shared GIF corpus (files other programs made; never copied into the repository): where it
// is, and its readable animations.

#include <QString>
#include <vector>

namespace qm::test {

// The build's corpus folder (the cache setting QM_GIF_CORPUS_DIR).
QString GifCorpusDir();

// Paths of the corpus files that load and hold more than one frame, with at most `maxPixels`
// screen pixels over all frames, sorted.
std::vector<QString> CorpusAnimations(long long maxPixels);

} // namespace qm::test
