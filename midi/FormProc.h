// The hidden callback window of the output stream, with its timer Timer1.
#pragma once
namespace sonara {
class FormProc;
}
