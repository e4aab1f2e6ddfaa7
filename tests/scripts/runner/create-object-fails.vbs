' expect-failure: SCRIPT ERROR line 2: 0x800A01AD
Set o = CreateObject("TavrinUpload.NoSuchClass")
WScript.Echo "PASS"
