<%@ Language=VBScript CodePage=65001 %>
<%
' Several files and ordinary fields in one form. Ordinary fields are items
' too: Item("name") finds one by its field name and Content gives its text.
' Files are found by position, since an input with "multiple" posts several
' items under one name; each is saved under its own name into the folder
' "uploads" beside the served folder.
Option Explicit
Response.CodePage = 65001
Response.Charset = "utf-8"

Function UploadFolder()
    Dim fso, folder
    Set fso = Server.CreateObject("Scripting.FileSystemObject")
    folder = fso.GetParentFolderName(Server.MapPath("/")) & "\uploads"
    If Not fso.FolderExists(folder) Then fso.CreateFolder folder
    UploadFolder = folder
End Function

' The text of an ordinary field; "" when the form did not send it or left it empty.
Function FieldText(up, name)
    FieldText = up(name).Content & ""
End Function
%>
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>TavrinUpload: files and fields</title></head>
<body>
<h1>Files and fields in one form</h1>
<form method="post" action="multi.asp" enctype="multipart/form-data">
  <p>Title: <input type="text" name="title"></p>
  <p>Comment: <textarea name="comment"></textarea></p>
  <p>Files: <input type="file" name="files" multiple></p>
  <p>One more: <input type="file" name="extra"></p>
  <p><input type="submit" value="Upload"></p>
</form>
<%
If Request.ServerVariables("REQUEST_METHOD") = "POST" Then
    Dim up, i, item, folder, saved
    Set up = Server.CreateObject("TavrinUpload.Upload")
    folder = UploadFolder()
%>
<p>Title: <b id="title"><%= Server.HTMLEncode(FieldText(up, "title")) %></b></p>
<p>Comment: <b id="comment"><%= Server.HTMLEncode(FieldText(up, "comment")) %></b></p>
<table border="1">
<tr><th>Field</th><th>FileName</th><th>Size</th><th>Saved as</th></tr>
<%
    saved = 0
    For i = 0 To up.Count - 1
        Set item = up(i)
        If item.FileName <> "" Then
%>
<tr><td><%= Server.HTMLEncode(item.Name) %></td><td><%= Server.HTMLEncode(item.FileName) %></td><td><%= item.Size %></td>
<td><% If item.SaveAs(folder & "\" & item.FileName, True) Then
           saved = saved + 1
           Response.Write Server.HTMLEncode(item.FileName)
       Else
           Response.Write "not saved"
       End If %></td></tr>
<%
        End If
    Next
%>
</table>
<p id="summary"><%= saved %> file(s) saved, <%= up.Count %> item(s) posted.</p>
<%
End If
%>
</body></html>
