' Creates the registered Upload object by its ProgID and shows its notice.
' Run it with the platform's console script host once the library is
' registered:
'     cscript //nologo about.vbs
Option Explicit
Dim upload
Set upload = CreateObject("TavrinUpload.Upload")
WScript.Echo "TavrinUpload.Upload: " & upload.About
WScript.Echo "MaxSize " & upload.MaxSize & ", PageCode " & upload.PageCode
