#include "platform/FrameServices.h"

namespace {

CFrameServices* installed = nullptr;

}  // namespace

CFrameServices* frameServices() {
    return installed;
}

void setFrameServices(CFrameServices* services) {
    installed = services;
}

UserOptions userOptions() {
    return installed ? installed->options() : UserOptions();
}
