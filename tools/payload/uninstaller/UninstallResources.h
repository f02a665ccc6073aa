#pragma once
// Resources of unins000.exe (type "_QuentResc"), shared by its resource
// script and its entry.

#define NELVO_RES_UN_LUA 201
