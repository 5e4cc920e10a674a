// A shared library that loads but lacks the maker exports.
extern "C" int korvane_not_a_maker() {
    return 42;
}
