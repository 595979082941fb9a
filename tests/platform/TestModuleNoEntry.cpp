// A module that loads but is not the orbit component.
extern "C" __attribute__((visibility("default"))) int KestruneTestModuleMarker() {
    return 1;
}
