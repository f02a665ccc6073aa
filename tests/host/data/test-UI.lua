-- test UI script
return 42
