// Serves one request on a worker: a refusal decided while reading the head,
// a static file, or an ASP page; writes the log line.
#pragma once

#include "core/AllowedHosts.h"
#include "program/HttpServer.h"
#include "program/Worker.h"

struct HandlerContext
{
    const ServeOptions& options;
    const AllowedHosts& allowedHosts;
    SiteState* site;
    Recorder* recorder; // null: no recording
    Worker& worker;
};

// Returns true when the connection may carry another request.
bool ServeRequest(Job& job, HandlerContext& context);

// A complete response with a short HTML body, for errors the server answers
// itself; with "Connection: close" unless keepAlive.
std::string SimpleResponse(int status, const std::string& message, bool keepAlive,
                           const std::string& extraHeaders = "");
