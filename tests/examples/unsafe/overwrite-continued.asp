<% item.SaveAs folder & "\" & name, _
       True %>
