# Windows-only parts of the executable: its resources.
function(velmora_windows_executable target)
endfunction()
