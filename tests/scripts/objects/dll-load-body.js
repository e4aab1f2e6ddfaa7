// A body loaded through the DLL's native LoadBodyFromFile, which sits in the
// Upload object's function table right after the IUpload members.
// scripthost-args: --dll @DLL@ --load-body data/pagecode.body
function check(ok, what) {
    if (!ok) {
        WScript.Echo("FAIL: " + what);
        WScript.Quit(1);
    }
}

var up = Host.NewUpload();
check(up.Count == 3, "Count of the loaded body");
check(up(1).Name == "utf8", "up(1)");
check(up("UTF8").Content == "\u4E2D", "UTF-8 content");
check(up.PageCode == 65001, "UTF-8 sets 65001");
check(up.Item(0).FileExt == "jpg", "FileExt");
WScript.Echo("PASS");
