// "tavrin-upload inspect": what the component makes of a stored request
// body, as one JSON document.
#pragma once

#include "ToolArguments.h"

#include <string>

// Runs inspect and returns the process exit code: 0 with the item document
// in *document, 1 with an error document (component failure, missing file).
int RunInspect(const ToolArguments& arguments, std::string* document);
