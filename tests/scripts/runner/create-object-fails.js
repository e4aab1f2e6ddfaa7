// expect-failure: SCRIPT ERROR line 2: 0x800A01AD
var o = new ActiveXObject("TavrinUpload.NoSuchClass");
WScript.Echo("PASS");
