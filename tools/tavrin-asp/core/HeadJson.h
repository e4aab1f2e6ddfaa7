// The head of a recorded request as a small JSON document, the .json that
// sits beside each recorded body.
#pragma once

#include "core/HttpHead.h"

#include <string>

// {"method": ..., "path": ..., "query": ..., "headers": [[name, value], ...]}
// and a line end; the path and query as sent, still percent-encoded. A byte
// that is not part of well-formed UTF-8 is written as the escaped unpaired
// surrogate U+DC00 + byte, so the document parses whatever the client sent.
std::string HeadJson(const HttpHead& head);
