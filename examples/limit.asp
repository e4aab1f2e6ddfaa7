<%@ Language=VBScript CodePage=65001 %>
<%
' A size limit with a friendly answer. MaxSize is set before anything is
' read; an upload over it fails on the first call that reads the body (here
' Count) with error &H8002000A, before a byte of it is read. The page
' catches that with On Error Resume Next and tells the visitor what
' happened, from Err.Number and Err.Description.
Option Explicit
Response.CodePage = 65001
Response.Charset = "utf-8"

Const LIMIT_BYTES = 1048576   ' 1 MB
Const OVER_LIMIT = &H8002000A

Function Megabytes(bytes)
    Megabytes = FormatNumber(bytes / 1048576, 1) & " MB"
End Function
%>
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>TavrinUpload: size limit</title>
<link rel="stylesheet" href="style.css"></head>
<body>
<h1>Upload at most <%= Megabytes(LIMIT_BYTES) %></h1>
<form method="post" action="limit.asp" enctype="multipart/form-data">
  <input type="file" name="file"> <input type="submit" value="Upload">
</form>
<%
If Request.ServerVariables("REQUEST_METHOD") = "POST" Then
    Dim up, count, errNumber, errText
    Set up = Server.CreateObject("TavrinUpload.Upload")
    up.MaxSize = LIMIT_BYTES
    On Error Resume Next
    count = up.Count
    errNumber = Err.Number
    errText = Err.Description
    On Error GoTo 0
    If errNumber = OVER_LIMIT Then
        Response.Status = "413 Request Entity Too Large"
%>
<p id="message" class="error">Sorry, your upload (<%= Megabytes(Request.TotalBytes) %>) is larger
than this page accepts (<%= Megabytes(up.MaxSize) %>). Please choose a smaller file.</p>
<p id="detail"><small>Error &amp;H<%= Hex(errNumber) %>: <%= Server.HTMLEncode(errText) %></small></p>
<%
    ElseIf errNumber <> 0 Then
        Response.Status = "500 Internal Server Error"
%>
<p id="message" class="error">The upload failed: <%= Server.HTMLEncode(errText) %> (error &amp;H<%= Hex(errNumber) %>).</p>
<%
    Else
%>
<p id="message">Received <%= count %> item(s): <%= Server.HTMLEncode(up("file").FileName) %>,
<%= up("file").Size %> bytes.</p>
<%
    End If
End If
%>
</body></html>
