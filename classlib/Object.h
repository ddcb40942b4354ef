// CObject: the polymorphic root of the class layer's owned objects.
#pragma once

class CObject
{
public:
    virtual ~CObject() = default;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// The iteration cursor of the list and map classes.
struct __POSITION {};
typedef __POSITION* POSITION;
