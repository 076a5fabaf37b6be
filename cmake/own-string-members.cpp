// Part of the release vantro.exe only (CMakeLists.txt). With the program
// compiling its own std::string members (own-string-members.h), libstdc++'s
// whole std::string instantiation (about 20 KB) would still be linked for
// the few members that the runtime's own random_device code calls (pulled in
// with the runtime's exception classes). Made here, those members satisfy it,
// and the library's copy stays out. A member a newer runtime also needs only
// brings that copy back: the file grows, the program stays the same.
#include <string>

#if defined(__GLIBCXX__) && _GLIBCXX_USE_CXX11_ABI
template std::string::pointer std::string::_M_create(std::string::size_type&, std::string::size_type);
template void std::string::_M_dispose();
template std::string& std::string::_M_replace(std::string::size_type, std::string::size_type, const char*,
                                              std::string::size_type);
template int std::string::compare(const char*) const;
#endif
