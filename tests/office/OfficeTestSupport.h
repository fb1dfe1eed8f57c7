#pragma once

#include "conversion/DocumentRenderer.h"
#include "conversion/PrintRoute.h"

#include <QString>
#include <chrono>
#include <string>

// Runs one rendering; returns the RenderError's text, or empty when it succeeded.
std::string RenderMessage(DocumentRenderer& renderer, Route route, const QString& document,
                          const QString& pdf, std::chrono::milliseconds* took = nullptr);
