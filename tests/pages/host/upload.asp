<%' run-args: --body ../data/items.body --content-type 'multipart/form-data;boundary=----TavrinScriptBoundary7MA4YWxk' %>
<!-- #include file="check-vbscript.inc" -->
<%
' The upload component end to end: Server.CreateObject hands it the page's
' scripting context through OnStartPage; it reads the posted body with
' TotalBytes and BinaryRead.
Set up = Server.CreateObject("TavrinUpload.Upload")
CheckEqual "Count", 4, up.Count
CheckEqual "up(0).Name", "file1", up(0).Name
CheckEqual "up(0).FileName", "report.final.doc", up(0).FileName
CheckEqual "up(""title"")", "Hello", up("title")
CheckEqual "up(2).Content", "second", up(2).Content
Finish
%>
