#!/usr/bin/env python3
# Probes a running oca-appserver the way a hostile client would (deep nesting, malformed
# requests, slow and idle connections, a crowd past the descriptor limit, a huge key list,
# a batch of whole-company loads) and prints how long GetSysDate takes meanwhile.
# Bounded: about fifteen seconds on the demo company, more where its loads are larger.
# It signs in as operator 001 of a demonstration company (password senha001, or OCA_PASSWORD).
# Usage: tools/probe_server.py PORT TOKEN
import socket, time, threading, json, sys, resource, os
HOST, PORT, TOKEN = "127.0.0.1", int(sys.argv[1]), sys.argv[2]
PATH = "/rpc/OCA0080A.rdmOcorAtendimento"
SESSION = ""
def post(body, timeout=10):
    s = socket.create_connection((HOST, PORT), timeout=timeout)
    b = body.encode() if isinstance(body, str) else body
    s.sendall(f"POST {PATH} HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer {TOKEN}\r\nOca-Sessao: {SESSION}\r\nContent-Length: {len(b)}\r\nConnection: close\r\n\r\n".encode() + b)
    out = b""
    while True:
        d = s.recv(65536)
        if not d: break
        out += d
    s.close()
    return out
def sysdate_ms():
    t = time.perf_counter()
    r = post('{"jsonrpc":"2.0","id":1,"method":"GetSysDate","params":[]}')
    assert b'"result"' in r, r[:200]
    return (time.perf_counter() - t) * 1000
def report(name, samples):
    samples.sort()
    print(f"{name:40s} GetSysDate max {samples[-1]:7.1f} ms  median {samples[len(samples)//2]:6.1f} ms")
signed = post(json.dumps({"jsonrpc": "2.0", "id": 1, "method": "Entrar",
                          "params": ["001", os.environ.get("OCA_PASSWORD", "senha001"), "0001", 30]}))
SESSION = json.loads(signed.split(b"\r\n\r\n", 1)[1])["result"]["$packet"]["rows"][0][0]
print("idle", sysdate_ms())
# deep nesting
r = post("[" * 130000 + "]" * 130000); print("deep:", r.split(b"\r\n\r\n")[1][:120])
report("after deep nesting", [sysdate_ms() for _ in range(20)])
for body in ['{"jsonrpc":2,"id":1,"method":"GetSysDate"}', '{"jsonrpc":"2.0","id":1,"method":"GetLote","params":[1e400,"","",""]}']:
    r = post(body); print("malformed:", r.split(b"\r\n",1)[0], r.split(b"\r\n\r\n")[1][:100])
# slow loris
slow = []
for i in range(8):
    s = socket.create_connection((HOST, PORT)); s.sendall(b"P"); slow.append(s)
stop = False
def drip():
    while not stop:
        for s in slow:
            try: s.sendall(b"O")
            except Exception: pass
        time.sleep(1)
t = threading.Thread(target=drip); t.start()
report("8 slow-loris connections", [sysdate_ms() for _ in range(20)])
stop = True; t.join()
# 200 idle
idle = [socket.create_connection((HOST, PORT)) for _ in range(200)]
report("200 idle connections", [sysdate_ms() for _ in range(20)])
# 200,000-key list
keys = "|" + "|".join(str(i) for i in range(200000)) + "|"
body = json.dumps({"jsonrpc":"2.0","id":1,"method":"GetMovOcorr","params":[keys,"","","T","","T",None,None,"","T","","",""]})
res = {}
def big():
    t0 = time.perf_counter(); r = post(body); res["ms"] = (time.perf_counter()-t0)*1000; res["r"] = r.split(b"\r\n\r\n")[1][:160]
bt = threading.Thread(target=big); bt.start()
report("during a 200,000-key list", [sysdate_ms() for _ in range(20)])
bt.join(); print("key list answered in %.0f ms:" % res["ms"], res["r"].decode(errors="replace"))
# a crowd: more connections than a default descriptor limit allows
soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, 8192), hard))
for s in idle:
    s.close()
crowd = []
for _ in range(3000):
    try:
        crowd.append(socket.create_connection((HOST, PORT), timeout=2))
    except OSError:
        break
report("%d connections at once" % len(crowd), [sysdate_ms() for _ in range(20)])
for s in crowd:
    s.close()
# a batch of whole-company loads: its answers share a limit of their own
load = {"jsonrpc": "2.0", "method": "GetMovOcorr", "params": ["", "T", "", "T", "", "T",
        {"$date": "2000-01-01T00:00:00.000"}, {"$date": "2099-12-31T00:00:00.000"},
        "", "T", "", "", ""]}
batch = json.dumps([dict(load, id=i) for i in range(10)])
t0 = time.perf_counter(); r = post(batch, timeout=120)
replies = json.loads(r.split(b"\r\n\r\n", 1)[1])
codes = sorted(set(x.get("error", {}).get("code", "ok") for x in replies), key=str)
print("batch of 10 whole loads: %d bytes in %.0f ms, answers %s" % (len(r), (time.perf_counter() - t0) * 1000, codes))
report("after the batch", [sysdate_ms() for _ in range(20)])
