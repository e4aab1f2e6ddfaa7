// Escaping for the access log, which goes to a console: a request path or a
// script's error text is text from outside, and a control character in it
// could end a line early or drive the terminal (move the cursor, clear the
// screen, set the title).
#pragma once

#include <string>
#include <string_view>

// Returns text with every C0 control, DEL and C1 control written as an
// escape: a byte that is not part of well-formed UTF-8 as \xNN, a C1 control
// encoded in UTF-8 as \u00NN. Other text, non-ASCII included, stays as it is.
std::string EscapeForLog(std::string_view text);
