// Items and their text from a body loaded with the DLL's native
// LoadBodyFromFile (the slot right after IUpload's members), in JScript.
// (Wine 8's JScript cannot hold a byte array, VT_ARRAY | VT_UI1, at all: it
// fails to convert one with E_NOTIMPL. Content(false) is proven from
// VBScript, in items.vbs.)
// scripthost-args: --load-body data/items.body
function check(ok, what) {
    if (!ok) {
        WScript.Echo("FAIL: " + what);
        WScript.Quit(1);
    }
}

var up = Host.NewUpload();
check(up.Count == 4, "Count");
var f = up(0);
check(f.Name == "file1", "up(0)");
check(up("FILE1").FilePath == "C:\\docs\\report.final.doc", "up(\"FILE1\")");
check(up("FILE1").FileName == "report.final.doc", "FileName");
check(f.Content == "abc\0def\u00FF", "Content of bytes with 0xFF");
check(up.PageCode == 0, "0xFF sets the page code to 0");

// The default argument asks for text. (JScript reads a property without
// arguments as f.Content, not f.Content().)
check(up.Item(1).Content == "Hello", "Content");
check(up.Item(1).Content(true) == "Hello", "Content(true)");
check(up.Item(3).Content === undefined, "empty text is Empty");
check(up.Item(9).Name === undefined || up.Item(9).Name == "", "out of range");

// Errors of the host-less object reach JScript's catch with their text.
var bare = Host.NewBareUpload();
try {
    bare.Count;
    check(false, "Count without a host must fail");
} catch (e) {
    check((e.number >>> 0) == 0x80004021, "number " + (e.number >>> 0).toString(16));
    check(e.description == "Only use in ASP environment", "description " + e.description);
}
WScript.Echo("PASS");
