#pragma once
// Identifiers of the program's own resources (type "_QuentResc", language
// 2052). Shared by the resource script and the code that registers the names.

#define NELVO_RES_UI_LUA 111
#define NELVO_RES_FRAME_LZ 113
#define NELVO_RES_LG_LUA 114
#define NELVO_RES_PROGRAM_LZ 115
#define NELVO_RES_STYLE_LZ 116
#define NELVO_RES_SL_LUA 122
#define NELVO_ICON_MAIN 2
// The build's digests of the resources above (RCDATA; store/ResourceDigests.h).
#define NELVO_RES_DIGESTS 130
