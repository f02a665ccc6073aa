-- Text functions every script of the product uses. The build puts them in
-- front of LG.lua, UI.lua and UN.lua, joined into the script's first line, so
-- that the line numbers in a script's error messages stay its own. Comments
-- stand on lines of their own here; the build drops them.

-- Every separator in text replaced by replacement.
local function replace(text, separator, replacement)
    if separator == '' then return text end
    local parts, start = {}, 1
    while true do
        local first, last = string.find(text, separator, start, true)
        if not first then break end
        parts[#parts + 1] = string.sub(text, start, first - 1) .. replacement
        start = last + 1
    end
    parts[#parts + 1] = string.sub(text, start)
    return table.concat(parts)
end

-- The text as a long-bracket string: as many equals signs as make a closing
-- bracket that the text does not hold, so a path with "]]" in it cannot end
-- the string early.
local function longString(text)
    local level = ''
    while string.find(text .. ']', ']' .. level .. ']', 1, true) do
        level = level .. '='
    end
    return '[' .. level .. '[' .. text .. ']' .. level .. ']'
end
