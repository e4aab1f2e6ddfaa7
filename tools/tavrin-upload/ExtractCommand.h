// "tavrin-upload extract": saves every item that carries a file name into a
// directory, through the component's SaveAs, under the item's FileName.
#pragma once

#include "ToolArguments.h"

#include <functional>
#include <string>

// Receives each report line (UTF-8, ending in a line break) as it happens.
using LineSink = std::function<void(const std::string&)>;

// Runs extract; returns the exit code: 0 when every item with a file name
// was saved, 1 when one was refused or not saved or the component failed.
int RunExtract(const ToolArguments& arguments, const LineSink& out, const LineSink& err);
