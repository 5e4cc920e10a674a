#include "platform/resources.h"

#include <algorithm>

namespace {
std::vector<const ResourceModule*>& chain() {
    static std::vector<const ResourceModule*> modules;
    return modules;
}
HINSTANCE currentHandle = nullptr;
} // namespace

void AfxRegisterResourceModule(const ResourceModule* module) {
    if (module && std::find(chain().begin(), chain().end(), module) == chain().end())
        chain().push_back(module);
}

void AfxUnregisterResourceModule(const ResourceModule* module) {
    auto& c = chain();
    c.erase(std::remove(c.begin(), c.end(), module), c.end());
    if (currentHandle == module) currentHandle = nullptr;
}

HINSTANCE AfxFindResourceModule(const char* name) {
    for (const ResourceModule* m : chain())
        if (m->name == name) return m;
    return nullptr;
}

HINSTANCE AfxGetResourceHandle() {
    return currentHandle;
}
void AfxSetResourceHandle(HINSTANCE h) {
    currentHandle = h;
}

const DialogTemplate* AfxFindDialogTemplate(unsigned id) {
    if (currentHandle) {
        auto it = currentHandle->dialogs.find(id);
        if (it != currentHandle->dialogs.end()) return &it->second;
    }
    for (const ResourceModule* m : chain()) {
        auto it = m->dialogs.find(id);
        if (it != m->dialogs.end()) return &it->second;
    }
    return nullptr;
}

CString AfxLoadString(HINSTANCE module, unsigned id) {
    if (!module) return {};
    auto it = module->strings.find(id);
    return it == module->strings.end() ? CString() : CString(it->second);
}

CString AfxLoadString(unsigned id) {
    if (currentHandle) {
        auto it = currentHandle->strings.find(id);
        if (it != currentHandle->strings.end()) return CString(it->second);
    }
    for (const ResourceModule* m : chain()) {
        auto it = m->strings.find(id);
        if (it != m->strings.end()) return CString(it->second);
    }
    return {};
}
