#!/usr/bin/env python3
"""Calls a real oca-appserver with a JSON-RPC 2.0 client this project did not write
(Debian's python3-jsonrpclib-pelix): single calls, a batch, a notification, and the
errors such a client must be able to read.

Usage: third_party_client.py BIN_DIR COMPANY_SQL
"""
import os
import socket
import subprocess
import sys
import tempfile
import time

import jsonrpclib
from jsonrpclib.jsonrpc import ProtocolError, TransportError

BIN, COMPANY = sys.argv[1], sys.argv[2]
TOKEN = "terceiro"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def expect(condition, what):
    if not condition:
        raise AssertionError(what)
    print("ok:", what)


def fault_code(call):
    try:
        call()
    except ProtocolError as e:
        # The library reports a JSON-RPC error as (code, message) in its first argument.
        return e.args[0][0]
    raise AssertionError("the call should have failed")


with tempfile.TemporaryDirectory() as work:
    db = "sqlite:" + os.path.join(work, "empresa.sqlite")
    subprocess.run([os.path.join(BIN, "oca-dbinit"), "--db", db, "--seed", COMPANY],
                   check=True, stdout=subprocess.DEVNULL)
    port = free_port()
    server = subprocess.Popen([os.path.join(BIN, "oca-appserver"), "--db", db, "--listen",
                               "127.0.0.1:%d" % port], env=dict(os.environ, OCA_TOKEN=TOKEN),
                              stderr=subprocess.PIPE, text=True)
    try:
        for _ in range(200):
            try:
                socket.create_connection(("127.0.0.1", port)).close()
                break
            except OSError:
                time.sleep(0.02)
        proxy = jsonrpclib.ServerProxy(
            "http://127.0.0.1:%d/rpc/OCA0080A.rdmOcorAtendimento" % port)
        with proxy._additional_headers({"Authorization": "Bearer " + TOKEN}):
            expect(fault_code(lambda: proxy.GetSysDate()) == -32005,
                   "without signing in, a method is refused with -32005")
            signed = proxy.Entrar("001", "senha001", "0001", 30)
            session = signed["$packet"]["rows"][0][0]
            expect(len(session) == 64, "signing in gives a session")
        proxy = jsonrpclib.ServerProxy(
            "http://127.0.0.1:%d/rpc/OCA0080A.rdmOcorAtendimento" % port)
        with proxy._additional_headers({"Authorization": "Bearer " + TOKEN,
                                        "Oca-Sessao": session}):
            today = proxy.GetSysDate()
            expect("$packet" in today, "a single call answers its result")
            branches = proxy.GetParamFilial("", "T")
            expect(len(branches["$packet"]["rows"]) == 2, "positional parameters are read")

            batch = jsonrpclib.MultiCall(proxy)
            batch.GetSysDate()
            batch.GetParamFilial("", "T")
            batch._notify.GetSysDate()
            results = list(batch())
            expect(len(results) == 2, "a batch answers each call with an id, none for the notification")
            expect("$packet" in results[0] and len(results[1]["$packet"]["rows"]) == 2,
                   "the batch's answers are matched to their calls")

            # This library expects a notification's HTTP status to be 200 and reports any
            # other as a transport error; the server answers 204 No Content, as JSON-RPC
            # over HTTP has it, so here it shows as that error with that status.
            try:
                proxy._notify.GetSysDate()
                status = 200
            except TransportError as e:
                status = e.args[1]
            expect(status == 204, "a notification gets no answer (HTTP 204)")
        # That error leaves the library's kept-alive connection unusable: a new proxy.
        proxy = jsonrpclib.ServerProxy(
            "http://127.0.0.1:%d/rpc/OCA0080A.rdmOcorAtendimento" % port)
        with proxy._additional_headers({"Authorization": "Bearer " + TOKEN,
                                        "Oca-Sessao": session}):

            expect(fault_code(lambda: proxy.GetSysDate(dia=1)) == -32602,
                   "named parameters are refused with -32602")
            expect(fault_code(lambda: proxy.NaoExiste()) == -32601,
                   "an unknown method is refused with -32601")
    finally:
        server.terminate()
        _, log = server.communicate(timeout=10)
    expect("(notificação)" in log, "the log says which calls were notifications")
    expect("rpc GetSysDate" in log and " op=001 " in log, "the log names the session's operator")
    expect("senha001" not in log and session not in log,
           "neither the password nor the session is ever written to the log")
    expect(server.returncode == 0, "the server stops cleanly on SIGTERM")
