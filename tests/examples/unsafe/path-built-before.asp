<%
target = folder & "\" & item.FileName
ok = item.SaveAs(target)
%>
