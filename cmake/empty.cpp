// Stands in for the program's library sources while there are none, so the
// library target always has something to compile.
namespace vantro_build { int empty_library_anchor = 0; }
