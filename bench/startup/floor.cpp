// The start-up floor: a trivial program that loads one plug-in as the host does and asks its name.
#include <dlfcn.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: startup_floor PLUGIN.so\n", stderr);
        return 2;
    }
    void* plugin = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!plugin) {
        std::fprintf(stderr, "startup_floor: %s\n", dlerror());
        return 1;
    }
    return dlsym(plugin, "GetModelMakerName") ? 0 : 1;
}
