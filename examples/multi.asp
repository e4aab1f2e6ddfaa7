<%@ Language=VBScript CodePage=65001 %>
<%
' Several files and ordinary fields in one form. Ordinary fields are items
' too: Item("name") finds one by its field name and Content gives its text.
' Files are found by position, since an input with "multiple" posts several
' items under one name; each is saved under a name made here (never the
' client's) into the folder "uploads" beside the served folder.
Option Explicit
Response.CodePage = 65001
Response.Charset = "utf-8"

Function UploadFolder()
    Dim fso, folder
    Set fso = Server.CreateObject("Scripting.FileSystemObject")
    folder = fso.GetParentFolderName(Server.MapPath("/")) & "\uploads"
    If Not fso.FolderExists(folder) Then Err.Raise vbObjectError + 1, "multi.asp", _
        "The folder " & folder & " does not exist: create it and let the account that runs the page modify it."
    UploadFolder = folder
End Function

' Saves item into folder as <date>-<time>-<n>.upload, never replacing a
' file (SaveAs with False refuses a taken name, even one another request took
' a moment ago); gives the name, or "" when the file could not be saved.
Function SaveUnderOwnName(item, folder)
    Dim fso, t, stamp, n, name
    Set fso = Server.CreateObject("Scripting.FileSystemObject")
    t = Now
    stamp = Year(t) & Right("0" & Month(t), 2) & Right("0" & Day(t), 2) & "-" & _
        Right("0" & Hour(t), 2) & Right("0" & Minute(t), 2) & Right("0" & Second(t), 2)
    SaveUnderOwnName = ""
    For n = 1 To 1000
        name = stamp & "-" & n & ".upload"
        If Not fso.FileExists(folder & "\" & name) Then
            If item.SaveAs(folder & "\" & name, False) Then
                SaveUnderOwnName = name
                Exit Function
            End If
            If Not fso.FileExists(folder & "\" & name) Then Exit Function
        End If
    Next
End Function

' The text of an ordinary field; "" when the form did not send it or left it empty.
Function FieldText(up, name)
    FieldText = up(name).Content & ""
End Function
%>
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>TavrinUpload: files and fields</title>
<link rel="stylesheet" href="style.css"></head>
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
    Dim up, i, item, folder, name, saved
    Set up = Server.CreateObject("TavrinUpload.Upload")
    folder = UploadFolder()
%>
<p>Title: <b id="title"><%= Server.HTMLEncode(FieldText(up, "title")) %></b></p>
<p>Comment: <b id="comment"><%= Server.HTMLEncode(FieldText(up, "comment")) %></b></p>
<table>
<tr><th>Field</th><th>FileName</th><th>Size</th><th>Saved as</th></tr>
<%
    saved = 0
    For i = 0 To up.Count - 1
        Set item = up(i)
        If item.FilePath <> "" Then
            name = SaveUnderOwnName(item, folder)
            If name <> "" Then saved = saved + 1 Else name = "not saved"
%>
<tr><td><%= Server.HTMLEncode(item.Name) %></td><td><%= Server.HTMLEncode(item.FileName) %></td>
<td><%= item.Size %></td><td><%= name %></td></tr>
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
