// The Qt application of the app suite: one per process, whichever test asks
// first, on the offscreen platform unless another is set.
#pragma once

#include <QCoreApplication>
#include <cstdlib>

#include "ui/framework/application.h"

namespace apptest {

inline void EnsureApplication() {
    if (QCoreApplication::instance() != nullptr)
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    new ui::Application(argc, argv);
}

}  // namespace apptest
