<%' run-args: --body ../data/items.body --content-type 'multipart/form-data;boundary=----TavrinScriptBoundary7MA4YWxk' %>
<% ' The upload component gets the page's context through OnStartPage and reads the body with BinaryRead.
Sub Check(ok, what): If Not ok Then Response.Write "FAIL: " & what & vbCrLf
End Sub
Set up = Server.CreateObject("TavrinUpload.Upload")
Check up.Count = 4 And up(0).Name = "file1" And up(0).FileName = "report.final.doc", "Count, first item"
Check up("title") = "Hello" And up(2).Content = "second", "field by name, third part"
Response.Write "PASS" %>
