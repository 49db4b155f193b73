// Every input that ever crashed, hung or misbehaved must load or fail cleanly with GIFException,
// and whatever loads must save again.
#include "gif/gif_exception.h"
#include "gif/gif_image.h"
#include "tests/gif/gif_test_util.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Crashers, EachFailsCleanlyOrLoads) {
    const QDir dir(QStringLiteral(QM_GIF_CRASHER_DIR));
    const QStringList names = dir.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty()) << "no crasher files found in " << QM_GIF_CRASHER_DIR;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        try {
            auto loaded = test::LoadGif(file.readAll());
            if (!loaded->image->GetEmpty()) {
                try {
                    test::SaveGif(*loaded->image);
                } catch (const GIFException&) {
                    // pixels beyond the colour table cannot be written; refusing is the right answer
                }
            }
        } catch (const GIFException&) {
        }
    }
}

} // namespace
} // namespace qm
