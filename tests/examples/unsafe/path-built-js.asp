<% var target = folder + "\\" + item.FileName; item.SaveAs(target); %>
