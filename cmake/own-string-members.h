// Put in front of each of the release program's sources (CMakeLists.txt).
// libstdc++ declares its std::string and std::wstring instantiations extern,
// so a program calls the library's copies; in a static link these come as a
// whole (about 46 KB) as soon as one member is used, because every function
// with unwind data is kept. Setting the library's switch to -1 lifts those
// declarations for basic_string alone (its documented special case), so the
// compiler makes just the members the program uses, inline where it can.
#if defined(__has_include)
#if __has_include(<bits/c++config.h>)
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
#endif
#endif
