<%' run-args: --script-timeout 1 %>
<%' expect-status: 500 %>
<%' expect-text: script timed out %>
<%
Do
Loop
%>
