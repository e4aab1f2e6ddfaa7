<%@ Language=VBScript CodePage=65001 %>
<%
' The start page of the examples: one link per page, with what it shows.
Option Explicit
Response.Charset = "utf-8"
%>
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>TavrinUpload examples</title>
<link rel="stylesheet" href="style.css"></head>
<body>
<h1>TavrinUpload examples</h1>
<p><%= Server.HTMLEncode(Server.CreateObject("TavrinUpload.Upload").About) %></p>
<ul>
  <li><a href="upload.asp">upload.asp</a>: one file, listed (Name, FileName, Size, ContentType) and saved under a name the page makes, never replacing a file.</li>
  <li><a href="multi.asp">multi.asp</a>: several files and ordinary fields in one form; fields read with <code>Item("name").Content</code>.</li>
  <li><a href="safe-upload.asp">safe-upload.asp</a>: safe saving with <code>inc/safe-save.inc</code>: allowed extensions, image content checked, a name no file in the folder had, never overwriting; says what it refused and why.</li>
  <li><a href="utf8.asp">utf8.asp</a>: a UTF-8 page (CodePage 65001) with Chinese file names, the page code detected automatically.</li>
  <li><a href="gbk.asp">gbk.asp</a>: a GBK page (CodePage 936, <code>PageCode = 936</code>) with Chinese file names.</li>
  <li><a href="upload-js.asp">upload-js.asp</a>: the single-file handler written in JScript.</li>
  <li><a href="fetch.asp">fetch.asp</a>: uploads from JavaScript with <code>fetch()</code> and <code>FormData</code>, a progress bar from <code>XMLHttpRequest</code>, answers in JSON.</li>
  <li><a href="limit.asp">limit.asp</a>: a friendly message when an upload is over <code>MaxSize</code>, from <code>Err.Number</code> and <code>Err.Description</code>.</li>
</ul>
</body></html>
