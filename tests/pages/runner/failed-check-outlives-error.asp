<%' expect-failure: FAIL: Count: expected 4 \(Integer\), saw 3 \(Integer\).*800A0009 %>
<!-- #include file="check-vbscript.inc" -->
<%
' A failed check reaches the runner even when a later error ends the page.
CheckEqual "Count", 4, 3
Dim a(1)
a(5) = 1
Finish
%>
