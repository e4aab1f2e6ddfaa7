' The page-code decision that reading Content as text takes, and keeps.
' scripthost-args: --upload-body data/pagecode.body
Sub Check(ok, what)
    If Not ok Then WScript.Echo "FAIL: " & what: WScript.Quit 1
End Sub

' UTF-8 content sets 65001 and is decoded as UTF-8.
Set up = Host.NewUpload()
Check up.PageCode = 65535, "automatic at first"
Check up("ascii").Content = "plain", "ascii content"
Check up.PageCode = 65535, "ascii decides nothing"
Check Host.Describe(up("utf8").Content) = "text 4E2D", "utf-8 content"
Check up.PageCode = 65001, "utf-8 sets 65001"

' A byte such as 0xFF sets 0; UTF-8 read afterwards is decoded with code
' page 0 (1252 here), not as UTF-8.
Set up = Host.NewUpload()
Check Len(up("image").Content) = 8, "image as text"
Check up.PageCode = 0, "0xFF sets 0"
text = Host.Describe(up("utf8").Content)
Check text = "text 00E400B800AD", "utf-8 under code page 0: " & text
Check up.PageCode = 0, "stays 0"

' A page code set beforehand is never changed.
Set up = Host.NewUpload()
up.PageCode = 1252
Check Host.Describe(up("utf8").Content) = "text 00E400B800AD", "1252 is used as set"
Check Host.Describe(up("image").Content) = "text 00FF00D800FF00E0004A004600490046", "image"
Check up.PageCode = 1252, "1252 kept"
up.PageCode = 65001
Check Host.Describe(up("utf8").Content) = "text 4E2D", "65001 decodes UTF-8"
Check Len(up("image").Content) > 0, "image under 65001"
Check up.PageCode = 65001, "65001 kept"
WScript.Echo "PASS"
