// An empty program: the layer link checks of CMakeLists.txt link one layer's objects whole into
// it, with the layers below, so that a call to a layer above fails to link.
int main() {
    return 0;
}
