// Standard dialogs built from the framework's own forms.
#pragma once

#include <string>

namespace vcl {

// Asks for one line of text in a modal dialog titled `caption`, with `prompt`
// above an edit box that holds `value` all selected (at most 255 characters),
// an "OK" default button and a "ｷｬﾝｾﾙ" cancel button. The dialog is built for
// this one use and destroyed afterwards. Returns true and the edited text in
// `value` on OK; Cancel, Escape and the close box return false and leave
// `value` as it was.
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);

// Window class of the input query's form, for finding it on the screen.
extern const char* const InputQueryClassName;

} // namespace vcl
