<%' expect-failure: the body does not end with PASS %>
everything seemed fine
