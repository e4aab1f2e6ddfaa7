<%
' Wine's VBScript compiler aborts the whole process on this statement.
Response.Cookies("a")("k") = "v"
%>
