<%@ Language=VBScript CodePage=65001 %>
<%
' A UTF-8 page. Browsers post file names and fields in the page's own
' encoding, here UTF-8; the Upload object, left at its automatic PageCode,
' sees that the names are UTF-8 and reads them so (PageCode then says
' 65001). Chinese, accented or any other names come back as they were.
' Files are saved as upload.asp saves them: under a name made here, never
' the client's, into the folder "uploads" beside the served folder.
Option Explicit
Response.CodePage = 65001
Response.Charset = "utf-8"

Function UploadFolder()
    Dim fso, folder
    Set fso = Server.CreateObject("Scripting.FileSystemObject")
    folder = fso.GetParentFolderName(Server.MapPath("/")) & "\uploads"
    If Not fso.FolderExists(folder) Then Err.Raise vbObjectError + 1, "utf8.asp", _
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
<html><head><meta charset="utf-8"><title>TavrinUpload: UTF-8 page, 上传文件</title>
<link rel="stylesheet" href="style.css"></head>
<body>
<h1>UTF-8 page: 上传文件</h1>
<form method="post" action="utf8.asp" enctype="multipart/form-data">
  <p>说明 (note): <input type="text" name="note"></p>
  <p><input type="file" name="files" multiple> <input type="submit" value="上传 (upload)"></p>
</form>
<%
If Request.ServerVariables("REQUEST_METHOD") = "POST" Then
    Dim up, i, item, folder, note, name
    Set up = Server.CreateObject("TavrinUpload.Upload")
    folder = UploadFolder()
    note = up("note").Content & ""
%>
<p>说明: <b id="note"><%= Server.HTMLEncode(note) %></b>; PageCode <b id="pagecode"><%= up.PageCode %></b></p>
<ul>
<%
    For i = 0 To up.Count - 1
        Set item = up(i)
        If item.FilePath <> "" Then
            name = SaveUnderOwnName(item, folder)
            If name <> "" Then
                Response.Write "<li class=""saved"">" & Server.HTMLEncode(item.FileName) & " (" & item.Size & " bytes): saved as " & name & "</li>" & vbCrLf
            Else
                Response.Write "<li>" & Server.HTMLEncode(item.FileName) & ": not saved</li>" & vbCrLf
            End If
        End If
    Next
%>
</ul>
<%
End If
%>
</body></html>
