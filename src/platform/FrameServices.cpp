#include "platform/FrameServices.h"

namespace {

CFrameServices* theServices = nullptr;

}  // namespace

CFrameServices* frameServices() {
    return theServices;
}

void setFrameServices(CFrameServices* services) {
    theServices = services;
}
