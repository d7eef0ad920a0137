# Counts the requests each started program made to the wineserver, from a log of a server
# started with -d1: every request and reply is a line "TID: name( args )" or
# "TID: name() = status { reply }". A program is named by a part of its image path
# (-v host=... -v empty=...); its process is known by the reply to the request that created
# it, its threads by their first request or by the reply that created them in that process.
# Counting for a process ends when another process sends or posts WM_CLOSE to one of its
# threads, so that the close is not counted. Prints "requests KIND PID COUNT" a process.
function kind_of(line) {
    if (host != "" && index(line, host) > 0) return "host"
    if (empty != "" && index(line, empty) > 0) return "empty"
    return ""
}
{
    split($1, parts, ":")
    tid = parts[1]
}
# A new process: its kind comes from the image path in the request, its id from the reply.
$2 ~ /^new_process\(/ && $0 !~ /^[0-9a-f]+: new_process\(\) = / {
    k = kind_of($0)
    if (k != "") creating[tid] = k
}
/^[0-9a-f]+: new_process\(\) = 0 / && (tid in creating) {
    if (match($0, /pid=[0-9a-f]+/)) kind[substr($0, RSTART + 4, RLENGTH - 4)] = creating[tid]
    delete creating[tid]
}
/^[0-9a-f]+: init_first_thread\(\) = 0 / {
    if (match($0, /pid=[0-9a-f]+/)) pid_of[tid] = substr($0, RSTART + 4, RLENGTH - 4)
}
# A thread made in its own process (process=ffffffff is the current one).
$2 ~ /^new_thread\(/ && $3 == "process=ffffffff," { making[tid] = 1 }
/^[0-9a-f]+: new_thread\(\) = 0 / && (tid in making) {
    if (match($0, /tid=[0-9a-f]+/) && (tid in pid_of)) pid_of[substr($0, RSTART + 4, RLENGTH - 4)] = pid_of[tid]
    delete making[tid]
}
# WM_CLOSE (0x10) sent or posted to a thread of a counted process ends its count.
$2 ~ /^(send|post)_message\(/ && / msg=00000010,/ {
    if (match($0, /id=[0-9a-f]+/)) {
        target = substr($0, RSTART + 3, RLENGTH - 3)
        if ((target in pid_of) && pid_of[target] != pid_of[tid]) closed[pid_of[target]] = 1
    }
}
# A request (not a reply) of a thread of a counted, not yet closing process.
$2 ~ /^[a-z_]+\(/ && $2 !~ /^[a-z_]+\(\)$/ && (tid in pid_of) {
    p = pid_of[tid]
    if ((p in kind) && !(p in closed)) count[p]++
}
END { for (p in count) printf "requests %s %s %d\n", kind[p], p, count[p] }
