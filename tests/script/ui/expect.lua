-- Checks for the bridge tests: failures are collected and written to the
-- file the test names, which reads "ok" when there were none.
local failures = {}

function expect(condition, what)
    if not condition then failures[#failures + 1] = what end
end

function expectEq(actual, expected, what)
    if actual ~= expected then
        failures[#failures + 1] = what .. ': got ' .. tostring(actual) .. ', expected ' .. tostring(expected)
    end
end

-- How many values a call returned.
function count(...) return select('#', ...) end

function report()
    local f = assert(io.open(os.getenv('NELVO_UI_RESULT'), 'wb'))
    f:write(#failures == 0 and 'ok\n' or table.concat(failures, '\n') .. '\n')
    f:close()
end
