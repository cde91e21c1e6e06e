"""A loopback HTTP server for the download tests, with the misbehaviours a download meets:
the length only from the n-th request on, more bytes announced than sent, an error status,
a slow transfer (or a trickle of small chunks) and an empty body. Wine's WinINet reaches it
on 127.0.0.1 (the Wine world unsets the proxy variables, which WinINet would honour even for
loopback)."""

import http.server
import threading
import time
from dataclasses import dataclass, field
from typing import List


@dataclass
class Behaviour:
    body: bytes = b""
    status: int = 200
    length_from_request: int = 1   # requests before this one get no Content-Length
    announce_extra: int = 0         # announce this many bytes more than are sent, then close
    chunk_delay: float = 0.0        # seconds between chunks
    chunk_size: int = 65536         # a few hundred bytes with a delay trickle the body
    requests: List[str] = field(default_factory=list)


class _Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"  # the end of the body is the end of the connection

    def do_GET(self):
        behaviour: Behaviour = self.server.behaviour
        behaviour.requests.append(self.path)
        self.send_response(behaviour.status)
        self.send_header("Content-Type", "application/octet-stream")
        if len(behaviour.requests) >= behaviour.length_from_request:
            self.send_header("Content-Length", str(len(behaviour.body) + behaviour.announce_extra))
        self.end_headers()
        for start in range(0, len(behaviour.body), behaviour.chunk_size):
            self.wfile.write(behaviour.body[start:start + behaviour.chunk_size])
            self.wfile.flush()
            time.sleep(behaviour.chunk_delay)

    def log_message(self, *args):
        pass


class LoopbackServer:
    def __init__(self):
        self._server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), _Handler)
        self._server.daemon_threads = True
        self._server.behaviour = Behaviour()
        self._thread = threading.Thread(target=self._server.serve_forever, daemon=True)
        self._thread.start()

    @property
    def behaviour(self) -> Behaviour:
        return self._server.behaviour

    def serve(self, **settings) -> Behaviour:
        self._server.behaviour = Behaviour(**settings)
        return self._server.behaviour

    def url(self, path: str = "/jre.tar.gz") -> str:
        return f"http://127.0.0.1:{self._server.server_address[1]}{path}"

    def close(self) -> None:
        self._server.shutdown()
        self._server.server_close()
