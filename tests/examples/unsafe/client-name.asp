<% ok = item.SaveAs(folder & "\" & item.FileName, False) %>
