#pragma once

#include <QString>

// The help topic of each page of the pager (the page's own), by its index; empty for any other
// index.
QString HelpTopicForPage(int pageIndex);
