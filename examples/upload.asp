<%@ Language=VBScript CodePage=65001 %>
<%
' A single-file upload form and its handler. A GET shows the form; a POST
' lists every posted item and saves each file under a name made here (the
' time and a counter), never the client's, into the folder "uploads" beside
' the served folder: outside it, so nothing uploaded can be requested back
' as a page. The folder is made once, with its permissions, when the site is
' set up; this page only writes into it.
Option Explicit
Response.CodePage = 65001
Response.Charset = "utf-8"

Function UploadFolder()
    Dim fso, folder
    Set fso = Server.CreateObject("Scripting.FileSystemObject")
    folder = fso.GetParentFolderName(Server.MapPath("/")) & "\uploads"
    If Not fso.FolderExists(folder) Then Err.Raise vbObjectError + 1, "upload.asp", _
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
%>
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>TavrinUpload: upload a file</title>
<link rel="stylesheet" href="style.css"></head>
<body>
<h1>Upload a file</h1>
<form method="post" action="upload.asp" enctype="multipart/form-data">
  <input type="file" name="file"> <input type="submit" value="Upload">
</form>
<%
If Request.ServerVariables("REQUEST_METHOD") = "POST" Then
    Dim up, i, item, folder, saved
    Set up = Server.CreateObject("TavrinUpload.Upload")
    folder = UploadFolder()
%>
<table>
<tr><th>Name</th><th>FileName</th><th>Size</th><th>ContentType</th><th>Saved as</th></tr>
<%
    For i = 0 To up.Count - 1
        Set item = up(i)
        saved = ""
        ' FilePath, not FileName: FileName is empty for a client path over 255 characters.
        If item.FilePath <> "" Then
            saved = SaveUnderOwnName(item, folder)
            If saved = "" Then saved = "not saved"
        End If
%>
<tr><td><%= Server.HTMLEncode(item.Name) %></td><td><%= Server.HTMLEncode(item.FileName) %></td>
<td><%= item.Size %></td><td><%= Server.HTMLEncode(item.ContentType) %></td><td><%= saved %></td></tr>
<%
    Next
%>
</table>
<%
End If
%>
</body></html>
