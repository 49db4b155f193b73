// Test entry for the application shell: the program's own application object, so that the
// exception box of event handlers is the one under test. Widget tests always run off screen.
#include "app/startup.h"
#include "framework/controls/application.h"
#include "gif/gif_graphic_binding.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qm::TApplication app(argc, argv);
    qm::NameApplication(app);
    // The GIF class joins the picture system as at start-up, so form pictures can name it.
    qm::InitializeGIFImage();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
