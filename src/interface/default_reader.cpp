#include "interface/default_reader.h"

ReaderState &default_reader()
{
    static ReaderState reader;
    return reader;
}
