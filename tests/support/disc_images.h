#pragma once
// Folders and ISO 9660 images made at test time (xorriso, Joliet and Rock Ridge), for the tests
// and benchmarks of disc scanning. No image is kept in the repository.

#include <QByteArray>
#include <QString>

namespace qm::test {

// Whether xorriso can be run; tests that need an image skip with one line when it cannot.
bool HaveXorriso();
// Writes `bytes` to `path` below `folder`, making the folders on the way (a '/' path).
void WriteTestFile(const QString& folder, const QString& path, const QByteArray& bytes);
// Makes `image` from the folder `folder` with the volume identifier `volume`; a failure is a test
// failure.
void MakeIsoImage(const QString& folder, const QString& image, const QString& volume);
// The bytes of a file, or empty when it cannot be read.
QByteArray FileBytes(const QString& path);

} // namespace qm::test
