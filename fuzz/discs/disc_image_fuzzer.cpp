// Feeds arbitrary bytes to the disc image reader as an ISO 9660 image whose volume descriptors
// begin with the input: the 32 KiB system area before them is zeros, so that the fuzzer spends its
// bytes on descriptors, directory records and file data. Any image may be refused with
// qm::Exception; nothing may crash, hang, leak or escape as another exception.
#include "discs/disc_reading.h"

#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace {

const QString& ImageFile() {
    static const QString file =
        QDir::temp().filePath(QStringLiteral("qm_fuzz_disc_%1.iso").arg(static_cast<qint64>(::getpid())));
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QFile image(ImageFile());
    if (!image.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    image.write(QByteArray(16 * 2048, '\0'));
    image.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    image.close();
    try {
        qm::InspectDiscSource(ImageFile());
        qm::ReadDiscFiles(ImageFile(), [](qm::TDiscFile&& file) { (void)file; });
    } catch (const qm::Exception&) {
    }
    return 0;
}
