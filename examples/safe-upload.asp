<%@ Language=VBScript CodePage=65001 %>
<% Option Explicit ' first: it must come before any other statement, the include's too %>
<!-- #include file="inc/safe-save.inc" -->
<%
' Saving with the helpers of inc/safe-save.inc: every file is checked
' (extension, image content), saved under a name of its own that never
' replaces another file, outside the served folder; the page says for each
' file what it did, and for each refused one why. The client's name is
' shown only HTML-encoded and without text-direction controls.
Response.CodePage = 65001
Response.Charset = "utf-8"
%>
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>TavrinUpload: safe saving</title>
<link rel="stylesheet" href="style.css"></head>
<body>
<h1>Safe saving</h1>
<p>Accepted: <%= SAFE_EXTENSIONS %>. Images must be what their extension says.</p>
<form method="post" action="safe-upload.asp" enctype="multipart/form-data">
  <input type="file" name="files" multiple> <input type="submit" value="Upload">
</form>
<%
If Request.ServerVariables("REQUEST_METHOD") = "POST" Then
    Dim up, i, item, folder, reason, name
    Set up = Server.CreateObject("TavrinUpload.Upload")
    folder = SafeUploadFolder()
    Response.Write "<ul>" & vbCrLf
    For i = 0 To up.Count - 1
        Set item = up(i)
        If item.FilePath <> "" Then
            reason = SafeRefusal(up, item)
            If reason = "" Then
                name = SafeSave(item, folder)
                If name = "" Then reason = "it could not be saved"
            End If
            If reason = "" Then
                Response.Write "<li class=""saved"">" & SafeShownName(item) & _
                    ": saved as <b>" & Server.HTMLEncode(name) & "</b></li>" & vbCrLf
            Else
                Response.Write "<li class=""refused"">" & SafeShownName(item) & _
                    ": refused, " & Server.HTMLEncode(reason) & "</li>" & vbCrLf
            End If
        End If
    Next
    Response.Write "</ul>" & vbCrLf
End If
%>
</body></html>
