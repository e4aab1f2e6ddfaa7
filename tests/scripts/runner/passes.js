// A script that runs to its end and writes the success marker passes.
var total = 1 + 1;
if (total !== 2) { WScript.Echo("FAIL: arithmetic"); WScript.Quit(1); }
WScript.Echo("PASS");
