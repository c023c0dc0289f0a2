#include "ModalHost.h"

namespace {
CModalHost g_platformHost;
CModalHost* g_host = &g_platformHost;
} // namespace

CModalHost& AfxGetModalHost() {
    return *g_host;
}

CModalHost* AfxSetModalHost(CModalHost* host) {
    CModalHost* previous = g_host;
    g_host = host ? host : &g_platformHost;
    return previous;
}
