#pragma once

#include "platform/DocTemplate.h"

// The document templates of the window kinds, in registration order. A kind whose view
// does not exist yet is left out, so that nothing opens an empty window.
CDocTemplateRegistry makeDocTemplates();
