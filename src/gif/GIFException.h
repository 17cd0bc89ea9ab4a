#pragma once
// The one exception class of the GIF engine; it carries only one of the engine's fixed messages.
#include "graphics/Exceptions.h"

class GIFException : public EInvalidGraphic
{
public:
    using EInvalidGraphic::EInvalidGraphic;
};
