#include "tests/support/gif_corpus.h"

#include "gif/gif_image.h"

#include <QDirIterator>
#include <algorithm>

namespace qm::test {

QString GifCorpusDir() {
    return QStringLiteral(QM_GIF_CORPUS_DIR);
}

std::vector<QString> CorpusAnimations(long long maxPixels) {
    std::vector<QString> result;
    QDirIterator files(GifCorpusDir(), {"*.gif"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        try {
            TGIFImage image;
            image.LoadFromFile(path);
            const long long pixels = static_cast<long long>(image.GetWidth()) * image.GetHeight();
            if (image.Images().Count() > 1 && pixels * image.Images().Count() <= maxPixels)
                result.push_back(path);
        } catch (const std::exception&) {
            // Broken files are the reader's tests' business.
        }
    }
    std::sort(result.begin(), result.end());
    return result;
}

} // namespace qm::test
